// Compiles the shared precompiled header once; the libraries and test programs reuse it.
