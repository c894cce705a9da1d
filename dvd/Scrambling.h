#pragma once

#include "DiscTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dvd
{

// Whether a 2048-byte pack is marked scrambled: bits 0x30 of its byte 0x14
// (the PES scrambling control of its first packet).
bool isScrambledPack(const std::uint8_t *pack);

enum class ScrambleState {
    Clear,      // the packs looked at are plain
    Scrambled,  // a pack is marked scrambled, or the read failed with EIO
    Unreadable, // the file cannot be opened or read for another reason
};

// Reads a few packs at the start of a title file with plain reads, as ffmpeg
// would, and tells whether they are scrambled.
ScrambleState checkTitleFile(const std::string &path, int packs = 16);

// Whether a title of the DVD at `disc` can be read where it lies in the
// piece files: the disc is a folder or a mounted disc, and the first pack of
// each of the title's ranges reads plainly. An image, a device, a pack
// marked scrambled or a read refused as a plain drive refuses scrambled
// sectors means the title is to be read through libdvdread instead.
bool readsFromFiles(const std::string &disc, const std::vector<ByteRange> &ranges);

// Whether libdvdcss, which libdvdread uses to decrypt, can be loaded.
bool decryptionAvailable();

// The outcome of checking the title files of a disc after loading.
struct ScrambleReport {
    std::vector<std::string> scrambled; // title files found scrambled
    bool decryption = false;            // libdvdcss can be loaded
    // The disc cannot be converted as it is: scrambled titles and no means to
    // decrypt them. The user must be told (encryptedDiscMessage).
    bool needsDecryption() const { return !scrambled.empty() && !decryption; }
};

ScrambleReport checkTitleFiles(const std::vector<std::string> &paths);

// The message shown once after loading a disc whose titles are scrambled
// while libdvdcss is missing.
std::string encryptedDiscMessage();

} // namespace dvd
