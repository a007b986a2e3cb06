 SELECT 
     * 
 FROM 
     MG6D_FLGTABARTVAR 
 WHERE 
     MG6D_DITTA_CG18 = 1 
     AND 1 = 0