// OscHandler: what the strips and axes of the oscilloscope ask their container. The container
// (OscilloscopeCtrl) implements it; the strips and axes hold a pointer and never own it. Declared
// without <windows.h> so the portable view logic and its tests can use the same settings.
// The virtual functions keep this order: it is the interface's slot layout.
#pragma once

#include "scopeview/geometry.h"

namespace scopeview {

enum class ZoomMode : int { rectangle = 0, horizontal = 1, vertical = 2 };

// Steps of the zoom history.
enum class ZoomStep : int { back = 0, forward = 1, first_view = 2 };

class OscHandler {
 public:
  virtual bool gridShown() = 0;
  virtual bool rangeFollowsData() = 0;
  virtual bool marginsOn() = 0;
  virtual double marginDivisor() = 0;
  virtual bool zoomEnabled() = 0;
  virtual void zoomHistory(ZoomStep step) = 0;
  virtual void zoomToRect(Point corner1, Point corner2) = 0;
  virtual ZoomMode zoomMode() = 0;
  virtual int pointStyle() = 0;

 protected:
  ~OscHandler() = default;  // never deleted through the interface
};

}  // namespace scopeview
