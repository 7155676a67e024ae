#pragma once
// What every reader of an XML document here shares (GPX, KML): Expat fed
// in large blocks from the file, never holding the document, and the same
// refusals. A DOCTYPE (and with it every entity declaration, internal or
// external) is refused, nothing outside the document is ever loaded, a
// name, attribute, text or comment longer than kMaxToken is refused soon
// after it starts (a reader may lift the cap on a text it streams itself),
// and so is nesting deeper than kMaxDepth. A refusal names the line and
// column. UTF-8 and UTF-16 Expat reads with their marks itself; UTF-32
// with its mark is given to it as UTF-8; single-byte encodings a
// declaration names are read (single_byte_encodings.h).

#include <expat.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "host/file_system.h"

namespace tessaline {
class UnicodeTextStream;
}

namespace tessaline::gpx {

inline constexpr std::size_t kMaxToken = 1024 * 1024;
inline constexpr std::size_t kMaxDepth = 1000;
inline constexpr std::size_t kReadBlock = 1024 * 1024;

enum class GpxReadEnd { Finished, Stopped, Refused, ReadFailed };

struct GpxReadResult {
  GpxReadEnd end = GpxReadEnd::Finished;
  std::string reason;  // for Refused: "ligne L, colonne C : ..."
};

// A name as Expat gives it with namespaces on: its local part, its namespace.
std::string_view LocalName(const XML_Char* name);
std::string_view NamespaceOf(const XML_Char* name);

class ExpatDocument {
 public:
  ExpatDocument(const ExpatDocument&) = delete;
  ExpatDocument& operator=(const ExpatDocument&) = delete;
  virtual ~ExpatDocument() = default;

  // Reads the whole document into the handlers below.
  GpxReadResult Read(InputStream& input);

 protected:
  ExpatDocument() = default;

  // An element starts at depth Depth() (the root's is 1); its end; a piece
  // of text in the element open. An exception they throw stops the reading
  // and goes on to Read's caller.
  virtual void StartElement(const XML_Char* name, const XML_Char** attributes) = 0;
  virtual void EndElement() = 0;
  virtual void Characters(const XML_Char* text, std::size_t size) = 0;

  std::size_t Depth() const { return depth_; }
  std::uint64_t Line() const;
  // Bytes of the file read up to the end of the last event.
  std::uint64_t Offset() const;
  // The text of the element open has no length cap until its end.
  void UncapText() { text_uncapped_ = true; }
  void Refuse(const std::string& reason);
  // The sink asked to stop.
  void Stop();

 private:
  GpxReadResult Feed(InputStream& input);
  GpxReadResult Refusal(const std::string& reason) const;
  void MarkEvent();
  template <typename Body>
  void Guard(Body&& body);

  static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes);
  static void XMLCALL OnEnd(void* data, const XML_Char* name);
  static void XMLCALL OnText(void* data, const XML_Char* text, int length);
  static void XMLCALL OnComment(void* data, const XML_Char*);
  static void XMLCALL OnInstruction(void* data, const XML_Char*, const XML_Char*);
  static void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int);
  static void XMLCALL OnEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                               const XML_Char*, const XML_Char*, const XML_Char*);

  XML_Parser parser_ = nullptr;
  const UnicodeTextStream* text_ = nullptr;
  std::string unread_encoding_;
  std::size_t depth_ = 0;
  std::size_t text_length_ = 0;
  bool text_uncapped_ = false;
  std::uint64_t last_event_end_ = 0;
  std::string refusal_;
  bool stopped_ = false;
  std::exception_ptr exception_;
};

}  // namespace tessaline::gpx
