#pragma once
// Loading a part's model (any format LoadMesh reads, or a STEP or IGES assembly as one model), then the part's orientation and scale
// (PartOrientation.h). A model that cannot be read is named in the log with the reason
// ("Equipment: model FILE not read: WHY"); a part far smaller than the gate valve's, which the
// views are made for, is named too, with a scale that would bring it to their size.

#include "Applications/Rigwright/PartOrientation.h"

#include <string>

namespace Tess
{

class CTriMesh;
struct SImportedModel;

// Parts smaller than this across (their largest box edge) get the log line about their scale.
constexpr float kSmallestComfortableSize = 10.0f;

// The part's mesh turned by `orientation` and with its positions multiplied by `scale` (both about
// the model's own origin), or null when the file cannot be read; then `whyNot`, when given, holds
// the reason the log line names.
CTriMesh* LoadPartMesh(const std::string& modelFile, float scale, const SPartOrientation& orientation = {},
                       std::string* whyNot = nullptr);

// The same for a model already read from `modelFile` (an assembly's part, say), which is consumed.
CTriMesh* BuildPartMesh(SImportedModel& model, const std::string& modelFile, float scale,
                        const SPartOrientation& orientation = {}, std::string* whyNot = nullptr);

// The largest edge of the mesh's box.
float MeasureAcross(const CTriMesh& mesh);

// A power of ten that brings a part `across` units wide to between about 30 and 300 units, the
// size the viewer's camera is made for; 1 for a part of no size.
float SuggestScale(float across);

} // namespace Tess
