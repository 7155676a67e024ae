#pragma once
// Lets Expat read documents declared in a single-byte encoding it does not
// know itself: Windows-1252 (which programs on Windows write) from our own
// table, and every ISO-8859, Windows-125x and KOI8 set from the system's
// tables. Expat itself reads UTF-8, UTF-16, ISO-8859-1 and US-ASCII.

#include <expat.h>

#include <string>

namespace tessaline::gpx {

// Install with XML_SetUnknownEncodingHandler(parser, SingleByteEncodingHandler,
// &name): `name` (a std::string) receives the name of an encoding that was
// asked for and could not be read, for the refusal to name it.
int XMLCALL SingleByteEncodingHandler(void* unread_name, const XML_Char* name, XML_Encoding* info);

}  // namespace tessaline::gpx
