/* Who the effect is and what it declares: read by the effect's code and by the resource
   compiler for the plug-in property list, so the two cannot disagree. Plain macros because the
   resource compiler reads this file too. */
#ifndef HUEWARP_RESOURCES_PLUGIN_IDENTITY_H
#define HUEWARP_RESOURCES_PLUGIN_IDENTITY_H

#define HUEWARP_NAME "Huewarp"
#define HUEWARP_MATCH_NAME "QuillmereHuewarp"
#define HUEWARP_CATEGORY "Quillmere"
#define HUEWARP_ENTRY_POINT "EffectMain"

/* The version comes from project() in CMakeLists.txt, through the configure step. */
#include "resources/plugin_version.h"

/* What Windows shows in the module's file properties. */
#define HUEWARP_VENDOR "Quillmere"
#define HUEWARP_DESCRIPTION "Huewarp colour-mapping effect for After Effects and Premiere Pro"
#define HUEWARP_COPYRIGHT "Copyright (C) 2026 Quillmere"
#define HUEWARP_MODULE_FILE "Huewarp.aex"

/* Effect API version the effect registers with. */
#define HUEWARP_API_MAJOR 13
#define HUEWARP_API_MINOR 27
#define HUEWARP_RESERVED_INFO 8

/* Capability flags: output extent, pixel independent, custom UI, deep colour, params UI
   updates; smart render, float colour, threaded rendering. */
#define HUEWARP_OUT_FLAGS 0x06008440L
#define HUEWARP_OUT_FLAGS2 0x08001400L

#define HUEWARP_PIPL_RESOURCE_ID 16000

#endif
