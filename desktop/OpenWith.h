#pragma once
// Basic idea: an MP3 file handed to the player from outside (the file manager's "Open with", which
// starts `quelmo FILE`, or any MPRIS client's OpenUri) plays as if the user had chosen it in the
// window: its drive in the drive list, its folder's line in the directory list, its line in the
// file list, then "Lecture", each through the window's own handlers. A second copy of the player
// started with a file hands the file to the copy that runs, through that copy's OpenUri on the
// session bus, and ends: the running player plays it and comes to the front. UI thread only.

#include <QString>
#include <string>

class PlayerRemote;

namespace OpenWith {

// The first argument that names an MP3 file (a path, relative to the current directory, or a file
// URL) as an absolute POSIX path; empty when none does. Every other argument is ignored, as before.
// Read before the lists change the current directory. Throws nothing.
std::string FileArgument(int argc, char** argv);

// The MP3 file that an OpenUri URL names, as a POSIX path; empty for any other URL. Throws nothing.
std::string FileOfUri(const QString& uri);

// Hands the file to the player that holds the MPRIS name on the session bus, waiting at most two
// seconds for its answer. False when there is no bus, no such player, or no answer: the caller then
// plays the file itself. Needs the application object. Throws nothing.
bool HandToRunningPlayer(const std::string& posixPath);

// Plays the file as the user would choose it. Nothing plays when the lists cannot reach it (a file
// at a drive's root, in a hidden folder, on no drive): the window shows the lists as far as they
// got. An error of the lists shows in the standard error box, as after the user's click.
void Play(PlayerRemote& remote, const std::string& posixPath);

// OpenUri: once the request has been answered, the window comes to the front (from the
// notification area too) and the file plays. A URL that names no MP3 file is ignored.
void OpenUri(PlayerRemote& remote, const QString& uri);

} // namespace OpenWith
