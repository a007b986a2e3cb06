 SELECT 
     * 
 FROM 
     MG6B_GESVARART 
 WHERE 
     MG6B_DITTA_CG18 = 1 
     AND 1 = 0