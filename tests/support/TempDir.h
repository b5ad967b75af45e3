#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh folder for one test, removed with everything in it afterwards.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    // Full path of a file in the folder, in the platform's form.
    std::u16string Path(const std::u16string& Name) const;
    std::u16string Write(const std::u16string& Name, const std::vector<uint8_t>& Data) const;
    std::u16string Write(const std::u16string& Name, const std::string& Text) const;
    const std::u16string& Root() const { return FRoot; }

private:
    std::u16string FRoot;
};

std::vector<uint8_t> ReadFileBytes(const std::u16string& Path);
std::string Utf8(const std::u16string& Text);
