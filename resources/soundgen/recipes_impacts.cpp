#include "recipes.h"

#include <cmath>

namespace kalvor::soundgen::impacts {

Signal Pistol(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal MachineGun(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Sniper(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Reload(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Punches(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal SwordStab(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal GlassSmash(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Knocking(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal PouringWater(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Coins(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal BeerCap(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal ToiletFlush(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Typing(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal HeavyRain(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Thunder(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

}  // namespace kalvor::soundgen::impacts
