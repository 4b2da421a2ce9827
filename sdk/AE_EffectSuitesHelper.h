// Plug-in helper suite: the host's current extended tool.
#pragma once

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef A_LegacyEnumType PF_ExtendedSuiteTool;

enum {
  PF_ExtendedSuiteTool_NONE = 0,
  PF_ExtendedSuiteTool_ARROW,
  PF_ExtendedSuiteTool_ROTATE,
  PF_ExtendedSuiteTool_PEN_NORMAL,
  PF_ExtendedSuiteTool_PEN_ADD_POINT,
  PF_ExtendedSuiteTool_PEN_DELETE_POINT,
  PF_ExtendedSuiteTool_PEN_CONVERT_POINT,
  PF_ExtendedSuiteTool_RECT,
  PF_ExtendedSuiteTool_OVAL,
  PF_ExtendedSuiteTool_CAMERA_ORBIT_CAMERA,
  PF_ExtendedSuiteTool_CAMERA_PAN_CAMERA,
  PF_ExtendedSuiteTool_CAMERA_DOLLY_CAMERA,
  PF_ExtendedSuiteTool_PAN_BEHIND,
  PF_ExtendedSuiteTool_HAND,
  PF_ExtendedSuiteTool_MAGNIFY,
  PF_ExtendedSuiteTool_PAINTBRUSH
};

#define kPFHelperSuite2 "AE Plugin Helper Suite2"
#define kPFHelperSuite2Version1 1
#define kPFHelperSuite2Version2 2
#define kPFHelperSuite2Version 2

typedef struct PF_HelperSuite2 {
  PF_Err (*PF_ParseClipboard)(void);
  PF_Err (*PF_SetCurrentExtendedTool)(PF_ExtendedSuiteTool tool);
  PF_Err (*PF_GetCurrentExtendedTool)(PF_ExtendedSuiteTool *tool);
} PF_HelperSuite2;

#ifdef __cplusplus
}
static_assert(sizeof(PF_HelperSuite2) == 24, "PF_HelperSuite2 layout");
#endif
