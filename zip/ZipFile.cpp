#include "zip/ZipFile.h"

// Placeholder until the archive reader lands: no file is an archive.
TZipFile::TZipFile() = default;
TZipFile::~TZipFile() { Close(); }
bool TZipFile::IsValid(const std::u16string&) { return false; }
void TZipFile::Open(const std::u16string&, TZipMode) { throw EZipException("Error reading zip file"); }
void TZipFile::Close() { FMode = zmClosed; }
std::vector<std::u16string> TZipFile::FileNames() const { throw EZipException("File must be open"); }
int TZipFile::IndexOf(const std::u16string&) const { return -1; }
TBytes TZipFile::Read(const std::u16string&) { throw EZipException("File must be open for reading"); }
std::unique_ptr<TStream> TZipFile::Read(const std::u16string&, TZipHeader&)
{
    throw EZipException("File must be open for reading");
}
