#pragma once
// What the search panel's controls do.

#include "ui/program_context.hpp"

namespace halvora {

// SearchButton: shows the panel; the first press reads the exclusion list and starts the
// search, later ones show the kept list with the current file marked.
void onSearchButton(Program& program);
// SearchAgainButton: a new search with the exclusion list as it was read last.
void onSearchAgain(Program& program);
// SearchBackButton: stops a running search, otherwise returns to the main panel.
void onSearchBack(Program& program);
// SearchDoneButton and a double click in the list: the selected file becomes the install file
// (stopping a running search); a file row whose file has gone is removed.
void onSearchResultChosen(Program& program);

}  // namespace halvora
