#pragma once

#include <QImage>
#include <cstdint>
#include <string>

// The tagged fields that "tivora.cfg" is made of. Each field starts with a one-byte id; a
// string or picture field follows it with a little-endian 32-bit length and that many bytes,
// an integer field with the 32-bit value itself. Every read names the id it expects, so the
// order of the reads is the file's structure.
//
// The readers work on a cursor into a buffer and the buffer's end (one past its last byte),
// move the cursor past what they read and raise ConfigurationException on anything that does
// not fit. Nothing is ever read at or beyond the end.
namespace FieldRecords {

// Raises "Wrong field Id (wait: <id>; real: <byte>)" when the byte at the cursor is not id.
void ExpectFieldId(const char*& cursor, const char* end, int id);

// A string field. Its text must end before the end of the buffer: a text that reaches the
// very end is refused, since another field always follows one.
std::string ReadStringField(const char*& cursor, const char* end, int id);

std::uint32_t ReadIntegerField(const char*& cursor, const char* end, int id);

// A picture field, decoded. Its bytes may end exactly at the end of the buffer. Bytes that do
// not decode into an image are refused as well: a game never gets a picture that is not one.
QImage ReadPictureField(const char*& cursor, const char* end, int id);

}  // namespace FieldRecords
