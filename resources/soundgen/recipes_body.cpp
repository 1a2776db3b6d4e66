#include "recipes.h"

#include <cmath>

namespace kalvor::soundgen::body {

Signal BabyCry(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Sneeze(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Cough(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Burp(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Snore(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Dozing(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Chewing(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Fart(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal WomanMoan(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal GhostMan(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal GhostWoman(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal DogBark(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal CrowFlyingBy(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal KissMan(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal KissWoman(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal KissWomanFlirty(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal WhipMan(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Scoff(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

}  // namespace kalvor::soundgen::body
