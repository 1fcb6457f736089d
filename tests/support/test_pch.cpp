// The translation unit that carries the test programs' shared precompiled header.
