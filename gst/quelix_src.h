// SPDX-License-Identifier: MIT
// quelixsrc: a live GStreamer push source of the Quelix 205KWMX camera.
#pragma once

#include <gst/base/gstpushsrc.h>

G_BEGIN_DECLS

#define QUELIX_TYPE_SRC (quelix_src_get_type())
G_DECLARE_FINAL_TYPE(QuelixSrc, quelix_src, QUELIX, SRC, GstPushSrc)

GST_ELEMENT_REGISTER_DECLARE(quelixsrc);

G_END_DECLS
