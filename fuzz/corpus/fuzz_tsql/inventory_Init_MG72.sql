 SELECT 
     * 
 FROM 
     MG72_APPLICART 
 WHERE 
     MG72_DITTA_CG18 = 1 
     AND 1 = 0