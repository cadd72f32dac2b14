// The viewer's global objects, owned by body.h, font.h and search_line.h. One translation unit
// keeps their construction order fixed; they are destroyed in reverse at exit.
#include "shell/body.h"
#include "shell/font.h"
#include "shell/search_line.h"

ModelReader model_reader;
Model body_model;
ScreenFont screen_font;
std::string search_line;
std::string pending_query;
