#pragma once

#include <span>
#include <string_view>

#include "tools/soundgen/recipes.h"

namespace kalvor::soundgen {

struct RecipeEntry {
  std::string_view name;  // archive file name without folder and extension
  Recipe recipe;
};

// One entry per archive sound, in archive order.
std::span<const RecipeEntry> RecipeTable();
// The recipe for a name, or nullptr.
Recipe FindRecipe(std::string_view name);

}  // namespace kalvor::soundgen
