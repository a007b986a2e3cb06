#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <tuple>

namespace test_support {

ChildResult run_child(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input) {
  // A child that exits before reading all its input closes the pipe: the write must fail
  // with EPIPE (and end the input), not end the test with SIGPIPE.
  static const bool kPipeSignalIgnored = [] { return std::signal(SIGPIPE, SIG_IGN) != SIG_ERR; }();
  (void)kPipeSignalIgnored;
  int in_pipe[2], out_pipe[2], err_pipe[2];
  ChildResult result;
  if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return result;
  pid_t pid = fork();
  if (pid == 0) {
    std::signal(SIGPIPE, SIG_DFL);  // the program runs as it would from a shell
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
      close(fd);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  std::size_t written = 0;
  bool input_open = true;
  fcntl(in_pipe[1], F_SETFL, O_NONBLOCK);
  if (input.empty()) {
    close(in_pipe[1]);
    input_open = false;
  }
  bool out_open = true, err_open = true;
  char buffer[65536];
  while (out_open || err_open) {
    pollfd fds[3];
    int n = 0;
    int out_index = -1, err_index = -1, in_index = -1;
    if (out_open) {
      fds[n] = {out_pipe[0], POLLIN, 0};
      out_index = n++;
    }
    if (err_open) {
      fds[n] = {err_pipe[0], POLLIN, 0};
      err_index = n++;
    }
    if (input_open) {
      fds[n] = {in_pipe[1], POLLOUT, 0};
      in_index = n++;
    }
    if (poll(fds, static_cast<nfds_t>(n), 60000) <= 0) break;
    if (in_index >= 0 && (fds[in_index].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
      ssize_t w = write(in_pipe[1], input.data() + written, input.size() - written);
      if (w > 0) written += static_cast<std::size_t>(w);
      if (w < 0 || written == input.size()) {
        close(in_pipe[1]);
        input_open = false;
      }
    }
    for (auto [index, fd, target, open] :
         {std::tuple{out_index, out_pipe[0], &result.out, &out_open},
          std::tuple{err_index, err_pipe[0], &result.err, &err_open}}) {
      if (index >= 0 && (fds[index].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        ssize_t r = read(fd, buffer, sizeof buffer);
        if (r > 0) {
          target->append(buffer, static_cast<std::size_t>(r));
        } else {
          close(fd);
          *open = false;
        }
      }
    }
  }
  if (input_open) close(in_pipe[1]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace test_support
