#pragma once
// Basic idea: the letters that mounted volumes keep from one run to the next, as a Windows volume
// keeps its letter, so that a remembered "d:\Musique" names the same volume whatever was plugged
// in since. The first time a volume is seen it takes the first free letter from d on (c is always
// the root of the file system) and keeps it. The letter of an absent volume is not handed to
// another while a letter is free; once d to z are all held, the letter of the absent volume seen
// longest ago goes to the newcomer. Volumes are named by a key: their file-system UUID where they
// have one, else their mount point. The drive table asks for the letters once per build, on the UI
// thread; the assignments live in a small file of the program's own in the user's
// application-data folder, replaced in one step (temporary file, then rename) and read
// tolerantly: a file that is damaged or not ours is ignored and written anew, never an error.

#include <cstdint>
#include <string>
#include <vector>

class DriveLetters
{
public:
    // The assignments of a file's text; a text that is not ours gives none. Lines that do not
    // read are dropped, and the text is then due to be written anew. ToText gives the file's text
    // back. Throw nothing.
    static DriveLetters FromText(const std::string& text);
    std::string ToText() const;

    // The letters of the volumes present now, one per key, keys in the order of their mount
    // points: known volumes keep theirs, new ones get one, 0 when every letter is held by a
    // present volume. Remembers which volumes were present, so that the order in which absent
    // volumes were last seen is known. Throws nothing.
    std::vector<char> Assign(const std::vector<std::string>& presentKeys);

    // The assignments differ from the text they were read from and should be saved. Throws nothing.
    bool Changed() const { return m_Changed; }

    // Reads a file (a link is followed); a missing, unreadable, oversized or foreign file gives no
    // assignments (and is due to be written anew when it is there). Throws nothing.
    static DriveLetters Load(const std::string& posixPath);
    // Writes a temporary file beside the target (a link's target: the link stays) and renames it
    // over it, so that a reader never sees half a file. Returns false when that failed (the
    // letters still hold for this run; no temporary file is left behind). Throws nothing.
    bool Save(const std::string& posixPath) const;
    // The letters of the present volumes, as Assign gives them, read from the file and saved back
    // when they changed, under a lock on the file: copies of the program that start together each
    // read what the one before saved, so no letter goes to two volumes and none is lost. A file
    // that is not a regular file is never replaced. Waits at most about two seconds for the lock.
    // Throws nothing.
    static std::vector<char> AssignInFile(const std::string& posixPath,
                                          const std::vector<std::string>& presentKeys);

    // The user's file: "Quelmo-lecteurs.txt" in the per-user application-data folder, which is
    // created when missing (SpecialFolders.h). Throws nothing.
    static std::string StorePath();
    // Tests: keep the letters in this file instead; an empty text brings back the user's file.
    // Throws nothing.
    static void SetStorePath(const std::string& posixPath);

private:
    struct Entry
    {
        std::string Key;
        char Letter = 0;
        uint64_t LastSeen = 0; // the generation of the last save that found the volume present
    };

    Entry* Find(const std::string& key);
    // The first letter from d on that no volume holds, else the letter of the absent volume seen
    // longest ago (its entry is dropped), else 0.
    char TakeLetter();

    std::vector<Entry> m_Entries;
    uint64_t m_Generation = 0;
    bool m_Changed = false;
};
