#pragma once
// How an import helper process hands its result back: a compact binary stream of its own
// (header, the meshes, the parts). The receiving side trusts nothing in it: every count is held
// against the bytes that are left before anything is allocated, every index must lie inside its
// mesh, every number must be finite and every text becomes one clean line of UTF-8. Both ends
// run on the same machine, so numbers travel in its own byte order.

#include "Engine/Platform/ImportedScene.h"

#include <string>
#include <string_view>

namespace Tess
{

// The longest text a part carries, in bytes; longer ones are cut (at a character).
constexpr std::size_t kMaxImportedTextBytes = 256;

// The answer of a helper that read its file.
std::string EncodeImportResult(const SImportedScene& scene);

// The answer of a helper that could not read its file, with the reason.
std::string EncodeImportFailure(const std::string& whyNot);

// Reads a helper's answer. True with `scene` filled when the helper read its file; false with
// `whyNot` the helper's reason, or saying the answer is malformed.
bool DecodeImportResult(std::string_view bytes, SImportedScene& scene, std::string& whyNot);

// True when every byte sequence of the text is valid UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// The text as one line of valid UTF-8 of at most `maxBytes` bytes: bytes that are no UTF-8
// become U+FFFD, control characters spaces, and the ends lose their spaces.
std::string CleanImportedText(std::string_view text, std::size_t maxBytes = kMaxImportedTextBytes);

} // namespace Tess
