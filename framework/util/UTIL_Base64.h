#pragma once

// Standard Base64 (RFC 4648 alphabet with '=' padding).

// Number of characters base64encode writes for inLen bytes, not counting the terminator.
int base64EncodedLength(int inLen);

// Writes the Base64 text of inLen bytes of in to out, followed by a terminating zero;
// out must hold base64EncodedLength(inLen) + 1 characters.
void base64encode(const unsigned char* in, char* out, int inLen);

// Decodes until the end of the text or the first character outside the alphabet ('=' ends
// it), writing at most maxOutLen bytes; returns the number of bytes written.
int base64decode(const char* in, unsigned char* out, int maxOutLen);
