#include "recipes.h"

#include <cmath>

namespace kalvor::soundgen::speech {

Signal PoliceHotline(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal ReadyGo(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal AuthorIntro(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal BeKind(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal BusStop(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal TramStop(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal HelpShout(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal BabyTalk(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal ChooseHusband(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal PsychHotline(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal CountToTen(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Countdown(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

}  // namespace kalvor::soundgen::speech
