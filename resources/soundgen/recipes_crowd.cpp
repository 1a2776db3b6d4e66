#include "recipes.h"

#include <cmath>

namespace kalvor::soundgen::crowd {

Signal CheeringApplause(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal WildApplause(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal GroupLaughter(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal AudienceLaughter(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal FansScreaming(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal ChildLaugh(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal BabyLaugh(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal EvilLaugh(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal SlyLaugh(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal HeartyLaugh(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

}  // namespace kalvor::soundgen::crowd
