#pragma once
// The setup file as a Windows program: the installer image (a PE file) with
// the archive appended. A signature applied to the whole setup afterwards
// (Authenticode) appends a certificate table behind the archive and records it
// in the image's header, together with a new header checksum. These helpers
// find the archive's end in such a file and undo the header changes in the
// installer image taken from it, so the extracted installer is the unsigned
// program it was built as.

#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>

// Where the appended data ends: the start of the certificate table when the
// file is a PE file whose certificate table ends the file, else the file's
// size; -1 when the file's size cannot be read.
int64_t ArchiveEnd(TFileStream &file);
// Whether the file names a certificate table (a signed PE file).
bool HasCertificateTable(TFileStream &file);

// Where the PE image's own sections end in the file (bytes behind it are
// appended data); 0 when the file is no PE file.
int64_t ImageEnd(TFileStream &file);

// Clears the header checksum, and the certificate table entry when it points
// at or behind the image's end, in a PE image held in memory. Other bytes stay.
void NormalizeInstallerImage(char *image, size_t size);
