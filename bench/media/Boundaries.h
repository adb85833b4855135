#pragma once
// The boundaries between files in a recording of their sequence (bench/sequence.sh).

#include <string>
#include <vector>

// Prints, for each boundary, the samples lost or added there, and the longest silence. `rawFile`
// holds the recording (stereo s16le at `rate`); `files` are the files in the order they played.
int Boundaries(const std::string& rawFile, long rate, const std::vector<std::string>& files);
