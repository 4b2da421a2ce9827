/* Who the effect is and what it declares: read by the effect's code and by the resource
   compiler for the plug-in property list, so the two cannot disagree. Plain macros because the
   resource compiler reads this file too. */
#ifndef HUEWARP_RESOURCES_PLUGIN_IDENTITY_H
#define HUEWARP_RESOURCES_PLUGIN_IDENTITY_H

#define HUEWARP_NAME "Huewarp"
#define HUEWARP_MATCH_NAME "QuillmereHuewarp"
#define HUEWARP_CATEGORY "Quillmere"
#define HUEWARP_ENTRY_POINT "EffectMain"

/* Version 1.0.0, stage develop, build 1, packed as the host packs versions. */
#define HUEWARP_VERSION_MAJOR 1
#define HUEWARP_VERSION_MINOR 0
#define HUEWARP_VERSION_BUGFIX 0
#define HUEWARP_VERSION_BUILD 1
#define HUEWARP_PACKED_VERSION 0x00080001L

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
