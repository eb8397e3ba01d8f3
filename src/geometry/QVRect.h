// Rectangle, point and angle functions in flipped coordinates (y grows downward; angles in degrees,
// 0 pointing right and 90 pointing down). All are pure; only the functions that say so normalise a rect
// with a negative width or height.
#pragma once

#include "platform/foundation/Geometry.h"

#include <QString>

#include <limits>
#include <optional>

// A handle position of a frame. Kept a plain integer: it is stored in documents, and the selection
// numbers its other handles 9 and up in the same integer. Every value outside -1..8 reads as none.
using QVRectCorner = int;
inline constexpr QVRectCorner QVRectCornerNone = -1;
inline constexpr QVRectCorner QVRectCornerTopLef = 0;
inline constexpr QVRectCorner QVRectCornerTopMid = 1;
inline constexpr QVRectCorner QVRectCornerTopRit = 2;
inline constexpr QVRectCorner QVRectCornerMidLef = 3;
inline constexpr QVRectCorner QVRectCornerMidMid = 4;
inline constexpr QVRectCorner QVRectCornerMidRit = 5;
inline constexpr QVRectCorner QVRectCornerBotLef = 6;
inline constexpr QVRectCorner QVRectCornerBotMid = 7;
inline constexpr QVRectCorner QVRectCornerBotRit = 8;

// A band of a rect (the four edges and the centre area); stored by connections.
using QVRectEdge = int;
inline constexpr QVRectEdge QVRectEdgeNone = -1;
inline constexpr QVRectEdge QVRectEdgeLeft = 0;
inline constexpr QVRectEdge QVRectEdgeRight = 1;
inline constexpr QVRectEdge QVRectEdgeTop = 2;
inline constexpr QVRectEdge QVRectEdgeBottom = 3;
inline constexpr QVRectEdge QVRectEdgeMid = 4;

// The no-point marker: both coordinates the largest single-precision value.
inline constexpr double QVMaxFloat = std::numeric_limits<float>::max();
inline constexpr pf::Point QVMaxFloatPoint{QVMaxFloat, QVMaxFloat};

// Scalars
double QVMax(double a, double b);
double QVMin(double a, double b);
// Nearest multiple of 0.5 (halves of the doubled magnitude away from zero), sign kept.
double QVRoundHalf(double v);
// Magnitude floored to a multiple of 0.5, sign kept.
double QVFloorHalf(double v);
// a when it is strictly closer to target, else b.
double QVClosest(double target, double a, double b);
double QVGetDiagonalBetween(pf::Point p1, pf::Point p2);
double QVDiagonalFromRect(pf::Rect r);

// Points and rects from points
pf::Rect QVRectFromPoints(pf::Point p1, pf::Point p2);
pf::Rect QVRectAroundPoint(pf::Point p, double width, double height);
pf::Rect QVSquareAroundPoint(pf::Point p, double side);
pf::Point QVRectGetTopLefPoint(pf::Rect r);
pf::Point QVRectGetTopMidPoint(pf::Rect r);
pf::Point QVRectGetTopRitPoint(pf::Rect r);
pf::Point QVRectGetMidLefPoint(pf::Rect r);
pf::Point QVRectGetMidMidPoint(pf::Rect r);
pf::Point QVRectGetMidRitPoint(pf::Rect r);
pf::Point QVRectGetBotLefPoint(pf::Rect r);
pf::Point QVRectGetBotMidPoint(pf::Rect r);
pf::Point QVRectGetBotRitPoint(pf::Rect r);
// (0, 0) for none and every value outside 0..8.
pf::Point QVRectGetCornerPoint(QVRectCorner corner, pf::Rect r);
// p clamped into r (meant for a normalised rect).
pf::Point QVRectGetPointClosestToPoint(pf::Point p, pf::Rect r);

// Predicates
bool QVPointIsMaxFloat(pf::Point p);
bool QVRectIsZero(pf::Rect r);
bool QVSizeContainsSize(pf::Size a, pf::Size b);
bool QVRectIsValid(pf::Rect r);
bool QVRectIsValidNotZeroSize(pf::Rect r);
bool QVRectCornerIsCorner(QVRectCorner corner);

// Rect construction and rounding ("round" is halves away from zero)
// Grows outward whichever way the rect points.
pf::Rect QVRectOutset(pf::Rect r, double dx, double dy);
// A zero rect counts as absent.
pf::Rect QVCombineRects(pf::Rect a, pf::Rect b);
pf::Rect QVRectFloor(pf::Rect r);
pf::Rect QVRectCeil(pf::Rect r);
pf::Rect QVRectRound(pf::Rect r);
pf::Rect QVRectRoundHalf(pf::Rect r);
pf::Rect QVRectFloorPlusHalf(pf::Rect r);
pf::Rect QVRectRoundPlusHalf(pf::Rect r);
pf::Rect QVRectRoundMinusHalf(pf::Rect r);
// The frame a shape keeps: origin floored, size rounded, a size under 1 (or not finite) made 1.
pf::Rect QVRectStandardize(pf::Rect r);
// As QVRectStandardize, but a negative or non-finite size component becomes 0.
pf::Rect QVRectStandardizeZero(pf::Rect r);
// Normalised; then a zero or non-finite width becomes 1, or else such a height does.
pf::Rect QVRectNotZeroSize(pf::Rect r);
pf::Rect QVRectGetNormalizedRect(pf::Rect r);
pf::Rect QVRectGetNormalizedHeightRect(pf::Rect r);

pf::Point QVPointCeil(pf::Point p);
pf::Point QVPointFloor(pf::Point p);
pf::Point QVPointRound(pf::Point p);
pf::Point QVPointFloorPlusHalf(pf::Point p);
pf::Point QVPointRoundPlusHalf(pf::Point p);
pf::Point QVPointRoundMinusHalf(pf::Point p);
pf::Size QVSizeRound(pf::Size s);

// The corner vocabulary. Descriptions are fixed texts, display names are localised; both are empty for
// values outside -1..8.
std::optional<QString> QVRectCornerGetDescription(QVRectCorner corner);
std::optional<QString> QVRectCornerGetDisplayName(QVRectCorner corner);
QVRectCorner QVRectGetOppositeCorner(QVRectCorner corner);
// The corner that stays put while the handle is dragged.
QVRectCorner QVRectGetStableCorner(QVRectCorner corner);
double QVAngleForRectCorner(QVRectCorner corner);
std::optional<QString> QVRectEdgeGetDescription(QVRectEdge edge);

// Handles, edges and angles
// The band of r that holds p; fraction (optional) receives the position along it in 0..1.
QVRectEdge QVRectGetEdgeForPoint(double* fraction, pf::Point p, pf::Rect r);
// r moved so that its corner lands on p.
pf::Rect QVRectSetAnchor(pf::Point p, QVRectCorner corner, pf::Rect r);
// r resized by dragging one handle to p; the result is not normalised.
pf::Rect QVRectSetCorner(pf::Point p, QVRectCorner corner, pf::Rect r);
QVRectCorner QVRectGetDenomalizedCorner(pf::Rect r);
pf::Rect QVRectGetDenormalizedRect(pf::Rect r, QVRectCorner corner);
QVRectCorner QVRectCornerForAngle(double degrees);
double QVShiftConstrainedAngleForAngle(double degrees);
// Rotation by whole degrees about the centre of r.
pf::AffineTransform QVMakeRotation(int degrees, pf::Rect r);
// The image of the origin and of the size vector (not a bounding box).
pf::Rect QVRectApplyRotation(const pf::AffineTransform& t, pf::Rect r);
pf::Point QVPointApplyRotation(pf::Point p, const pf::AffineTransform& t);
