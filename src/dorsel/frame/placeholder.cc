namespace dorsel {}
