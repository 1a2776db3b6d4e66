// Small builders for the form tables of the platform tests, whatever the toolkit.
#pragma once

#include <string>
#include <utility>

#include "platform/platform_services.h"

namespace kalvor::test {

inline ControlDef Control(std::string name, ControlKind kind, int x, int y, int w, int h,
                          std::string caption = {}, std::string parent = {}, int page = 0) {
  ControlDef def;
  def.name = std::move(name);
  def.kind = kind;
  def.x = x;
  def.y = y;
  def.w = w;
  def.h = h;
  def.caption = std::move(caption);
  def.parent = std::move(parent);
  def.page = page;
  return def;
}

inline FormDef Form(std::string name, int outerWidth, int outerHeight, bool visible = true) {
  FormDef form;
  form.name = std::move(name);
  form.outerWidth = outerWidth;
  form.outerHeight = outerHeight;
  form.visible = visible;
  return form;
}

}  // namespace kalvor::test
