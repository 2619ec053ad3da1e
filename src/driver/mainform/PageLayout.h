// The page layout run once at start-up: text boxes take the height of their
// text, everything moves left when the logo is narrower than the design's
// (or missing), the page takes the size of its contents, and the buttons go
// into their Tag slots at the bottom right.
#pragma once

#include "controls/Canvas.h"
#include "ui/Form.h"

#include <string>

namespace driver {

// Left edges of the button slots, counted from the right: the Back, forward
// and Cancel slots' shares.
inline constexpr int WizardButtonOffsets[3] = {83, 91, 75};

// The 58-character sample whose height an empty line has.
extern const char TextHeightSample[];

// Lines of Text wrapped greedily at Width: a word (up to and including its
// blank) joins the line while the line plus the word without its blank
// stays narrower than Width; a lone word wider than Width is a line.
std::vector<std::string> WrapLine(controls::Canvas &C, const controls::Font &F,
                                  const std::string &Text, int Width);

// The height of a text box's lines as the setup window's canvas measures
// them.
int TextHeight(controls::Canvas &C, const ui::TRichEdit &Box);

void PlaceWizardButtons(ui::TForm &Page);

// Logo may be null. TextLeft is the left edge of the page's main text box.
void LayoutPage(ui::TForm &Page, const ui::TImage *Logo, int TextLeft, controls::Canvas &C);

// The page takes the outer size W x H; its controls follow the change.
void FitPageToSize(ui::TForm &Page, int W, int H, controls::Canvas &C);

} // namespace driver
