#include "recipes.h"

#include <cmath>

namespace kalvor::soundgen::music {

Signal McDrumBeat(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal SongClimax(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal FolkPiggyback(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Hallelujah(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Humour1(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Humour2(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Humour3(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal SpookyWisps(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal CardGameVictory(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal NewsIntro(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal NewsBroadcast(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal EpicIntro(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal LevelClear(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal Tension(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal GamblerEntrance(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal DatingShowWoman(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal DatingShowLight(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal DatingShowMan(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

Signal MagicMusic(RecipeContext&) {
  return Render(1.5,
                [](double t) { return static_cast<float>(0.3 * std::sin(2 * M_PI * 440 * t)); });
}

}  // namespace kalvor::soundgen::music
