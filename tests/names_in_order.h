#pragma once

// Names in the order the celebrity list sorts them, on every platform: letter
// case ignored, accented letters right after their base letters, a blank
// before any letter, and a hyphen or an apostrophe deciding only between
// names equal but for them. The Linux order test and the Windows collation
// test both check it.
inline const char *const kNamesInOrder[] = {
    "a",          "Ab",      "anna",      "Ánna",          "Anne Marie", "Annemarie",
    "Anne-Marie", "Bob",     "Bob Smith", "Bobby",         "Emil",       "Emile",
    "Émile",      "Émilie",  "Johnny",    "John-Philippe", "O",          "Ö",
    "Obrien",     "O'Brien", "Oz",        "Zoe",           "Zoë",        "Zz"};
