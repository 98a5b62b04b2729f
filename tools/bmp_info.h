// The `--info` report of the command-line tool: what a BMP file's headers hold, field
// by field, for a user who wants to know why a file is refused.
#pragma once

#include <cstdio>

namespace vantrel {

// Prints the file header and info header fields of the file at path (UTF-8) to out, one
// "name: value" line each, the signature also as text and the compression by name.
// Fields that a short file does not supply are named as missing, not given a value.
// A file that cannot be opened or read gets "bmpcorners: cannot open PATH: reason" on
// err and the result 1; otherwise the result is 0. Nothing is validated.
int PrintBmpInfo(const char* path, std::FILE* out, std::FILE* err);

}  // namespace vantrel
