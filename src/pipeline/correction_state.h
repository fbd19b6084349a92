// SPDX-License-Identifier: MIT
// What the correction pipeline of one camera keeps from frame to frame: the
// shading factors of the references and the table of the per-pixel stages,
// each made again only when what it was made from changes.
#pragma once

#include "pipeline/render_table.h"
#include "pipeline/shading_correction.h"

namespace quelix {

struct CorrectionState {
    ShadingCorrection8 shading8;
    ShadingCorrection16 shading16;
    RenderTable render;
};

}  // namespace quelix
