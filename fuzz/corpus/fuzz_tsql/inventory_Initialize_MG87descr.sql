 SELECT 
     * 
 FROM 
     MG87_ARTDESC 
 WHERE 
     MG87_DITTA_CG18 = 1 
     AND 1 = 0 