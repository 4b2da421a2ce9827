// Drawbot value types and object references of the host's published drawing API.
#pragma once

#include <stdint.h>

typedef struct _DRAWBOT_DrawRef *DRAWBOT_DrawRef;
typedef struct _DRAWBOT_SupplierRef *DRAWBOT_SupplierRef;
typedef struct _DRAWBOT_SurfaceRef *DRAWBOT_SurfaceRef;
typedef struct _DRAWBOT_PathRef *DRAWBOT_PathRef;
typedef struct _DRAWBOT_BrushRef *DRAWBOT_BrushRef;
typedef struct _DRAWBOT_PenRef *DRAWBOT_PenRef;
typedef struct _DRAWBOT_FontRef *DRAWBOT_FontRef;
typedef struct _DRAWBOT_ImageRef *DRAWBOT_ImageRef;
typedef struct _DRAWBOT_ObjectRef *DRAWBOT_ObjectRef;

typedef uint16_t DRAWBOT_UTF16Char;
typedef uint8_t DRAWBOT_Boolean;
typedef int DRAWBOT_FillType;
typedef int DRAWBOT_TextAlignment;
typedef int DRAWBOT_TextTruncation;
typedef int DRAWBOT_PixelLayout;
typedef int DRAWBOT_InterpolationPolicy;
typedef int DRAWBOT_AntiAliasPolicy;

typedef struct {
  float left, top, width, height;
} DRAWBOT_RectF32;

typedef struct {
  int left, top, width, height;
} DRAWBOT_Rect32;

typedef struct {
  float red, green, blue, alpha;
} DRAWBOT_ColorRGBA;

typedef struct {
  float x, y;
} DRAWBOT_PointF32;

typedef struct {
  float mat[3][3];
} DRAWBOT_MatrixF32;

enum {
  kDRAWBOT_FillType_EvenOdd = 0,
  kDRAWBOT_FillType_Winding = 1,
  kDRAWBOT_FillType_Default = kDRAWBOT_FillType_Winding
};
enum {
  kDRAWBOT_TextAlignment_Left = 0,
  kDRAWBOT_TextAlignment_Center = 1,
  kDRAWBOT_TextAlignment_Right = 2,
  kDRAWBOT_TextAlignment_Default = kDRAWBOT_TextAlignment_Left
};
enum {
  kDRAWBOT_TextTruncation_None = 0,
  kDRAWBOT_TextTruncation_End = 1,
  kDRAWBOT_TextTruncation_EndEllipsis = 2,
  kDRAWBOT_TextTruncation_PathEllipsis = 3
};

#ifdef __cplusplus
static_assert(sizeof(DRAWBOT_RectF32) == 16 && sizeof(DRAWBOT_ColorRGBA) == 16 &&
                  sizeof(DRAWBOT_PointF32) == 8 && sizeof(DRAWBOT_Rect32) == 16,
              "Drawbot value layouts");
#endif
