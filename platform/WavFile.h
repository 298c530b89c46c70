// The check that a sound file can be played: a RIFF WAVE file whose format chunk (PCM or float)
// comes before a non-empty data chunk. The walk over the chunks is bounded, so a hostile file
// costs at most a few dozen small reads however large it is.
#pragma once

#include <QIODevice>
#include <QString>

namespace korvi {

// Chunks looked at before the data chunk; real files carry a handful (format, fact, list, ...).
inline constexpr int kWavChunkLimit = 64;

// Why the sound in `file` (open for reading) cannot be played, in the user's words; empty when it
// can.
QString WavFileProblem(QIODevice& file);
// The same for a file on disk, which may be missing or unreadable.
QString WavFileProblem(const QString& path);

}  // namespace korvi
