#pragma once
// The logo's outline in drawing units (x right, y down), one closed path traced once (points 0..184)
// plus a tail that retraces the start (185..213 repeat 0..28) so the sweep fades out over it.
constexpr int kOutlinePointCount = 214;
extern const float kOutlineTableX[kOutlinePointCount];
extern const float kOutlineTableY[kOutlinePointCount];
