// SamplePreview: the audio a sound slot's text names, made ready for the Play buttons.
//
// A text that names a sample of the game's list, or any other sample the opened archives
// hold under "Audio\" (a "Mod\" sample packed by an earlier save), is read out of the
// archives: the resource is locked while its bytes are copied and released after. Any other
// text is a WAV file on disk. Either way the bytes go through the careful WAV reader, so a
// damaged or hostile file is refused with a reason instead of being played.
#pragma once

#include <string>

#include "core/WavFile.h"

class ObjectCatalogue;
class QSResourceMgr;

// A file on disk larger than this is not read for playing.
inline constexpr uint64_t kMaxPreviewBytes = 64ull * 1024 * 1024;

// Fills audio with the sample text names; false with error saying why nothing can be played
// ("... is not a sample of the game nor a file", "... is not a WAV file we can play: ...").
bool LoadSampleAudio(QSResourceMgr& mgr, const ObjectCatalogue& catalogue, const std::string& text,
                     WavAudio& audio, std::string& error);
