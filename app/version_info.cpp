#include "tonegen_version.h"

#include <cstddef>
#include <cstdint>

// The version and language ride in the executable as an ELF note, so a
// packaged or stripped binary can be identified without starting it (the
// program takes no command line, so there is no --version to ask):
//     readelf -n /usr/bin/tonegen      or      strings /usr/bin/tonegen | grep tonegen
namespace {

constexpr char kOwner[] = "tonegen";

constexpr std::size_t Pad4(std::size_t n)
{
    return (n + 3) & ~std::size_t{3};
}

// Layout of an ELF note: three 4-byte words, then owner and payload, each
// padded to 4 bytes, which is what readelf and the linker expect to walk.
struct VersionNote {
    std::uint32_t namesz;
    std::uint32_t descsz;
    std::uint32_t type;
    char name[Pad4(sizeof kOwner)];
    char desc[Pad4(sizeof tonegen::kVersionLine)];
};

// Note types are per owner; ours has only this one.
constexpr std::uint32_t kNoteTypeVersion = 1;

constexpr VersionNote MakeNote()
{
    VersionNote note{};
    note.namesz = sizeof kOwner;
    note.descsz = sizeof tonegen::kVersionLine;
    note.type = kNoteTypeVersion;
    for (std::size_t i = 0; i < sizeof kOwner; ++i)
        note.name[i] = kOwner[i];
    for (std::size_t i = 0; i < sizeof tonegen::kVersionLine; ++i)
        note.desc[i] = tonegen::kVersionLine[i];
    return note;
}

// Nothing refers to the note, so `used` keeps the compiler from dropping it;
// the .note prefix makes the assembler mark the section SHT_NOTE.
[[gnu::used, gnu::section(".note.tonegen.version"), gnu::aligned(4)]] const VersionNote g_versionNote = MakeNote();

} // namespace
