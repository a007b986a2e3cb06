-- The catalogue rows of an item with one of each kind of document, for the catalogue list
-- query as the component writes it; the tables are the statement inventory's
-- (inventory_tables.sql).
INSERT INTO CL03_LEGAMI VALUES (1, 'VITE M6X20', 10);
INSERT INTO CL02_ANAGCATALOGO VALUES (10, 1, 'ART-77', 'SORV ');
INSERT INTO CL01_TIPI VALUES (1, 'sorv');
INSERT INTO IL01_MARCHEDITTA VALUES (1, 'SORV', 'B01');
INSERT INTO IL00_CONFIG_GDPR (IL00_DITTA_CG18, IL00_MODULO, IL00_STATO) VALUES (1, 'SORVANO', 0);
INSERT INTO CL06_LISTAALLEGATI (CL06_ID, CL06_ID_CL02, CL06_DITTA_CG18, CL06_TIPO,
  CL06_NOMEFILE, CL06_SIGLATIPO, CL06_TIPOFILE, CL06_DIMENSIONE, CL06_LINK, CL06_ISDOWNLOADED)
VALUES
  (1, 10, 1, 4, 'SCH_A12.pdf', 'SCH', 'pdf', 5242880, 'l1', 1),
  (2, 10, 1, 5, 'A12.pdf', 'SCH', 'pdf', 1073741824, 'l2', 1),
  (3, 10, 1, 0, 'A12.jpg', 'IMG', 'jpg', 0, 'l3', 1),
  (4, 10, 1, 1, 'A12.jpg', 'IMG', 'jpg', NULL, 'l4', 1),
  (5, 10, 1, 6, 'sch_a12.PDF', 'SCH', ' pdf ', 1572864, 'l5', 1),
  (6, 10, 1, 6, 'SCH_X_SCH_Y.pdf', 'SCH', 'Pdf', 2147483647, 'l6', 1),
  (7, 10, 1, 2, 'T7.png', 'IMG', NULL, 1048575, 'l7', 0),
  (8, 10, 1, 7, 'other.pdf', 'SCH', 'pdf', 1, 'l8', 1);
