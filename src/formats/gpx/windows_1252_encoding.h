#pragma once
// Lets Expat read documents declared as Windows-1252 ("windows-1252",
// "cp1252"), which programs on Windows write and Expat does not know.

#include <expat.h>

namespace tessaline::gpx {

int XMLCALL Windows1252EncodingHandler(void* data, const XML_Char* name, XML_Encoding* info);

}  // namespace tessaline::gpx
