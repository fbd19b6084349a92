// SPDX-License-Identifier: MIT
// The plugin libgstquelix: the element quelixsrc.
#include <gst/gst.h>

#include "quelix_src.h"

namespace {

gboolean PluginInit(GstPlugin* plugin)
{
    return GST_ELEMENT_REGISTER(quelixsrc, plugin);
}

}  // namespace

#define PACKAGE "quelix"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, quelix, "Quelix 205KWMX near-infrared camera source",
                  PluginInit, QUELIX_GST_VERSION, "MIT", "Quelix SDK", "https://quelix-camera.org/")
