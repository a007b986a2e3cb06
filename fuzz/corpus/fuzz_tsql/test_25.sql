SELECT /* block /* nested */ */ A -- line
 FROM T;