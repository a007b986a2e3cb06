namespace prezzi {}
