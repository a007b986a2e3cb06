 SELECT 
     * 
 FROM 
     MG66_ANAGRART 
 WHERE 
     MG66_DITTA_CG18 = 1 