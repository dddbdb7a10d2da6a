#pragma once

// Names in the order the celebrity list sorts them, on every platform: letter
// case ignored, accented letters right after their base letters, a blank
// before any letter. The Linux order test and the Windows collation test
// both check it.
inline const char *const kNamesInOrder[] = {
    "a",     "Ab",     "anna", "Ánna", "Bob", "Bob Smith", "Bobby", "Emil", "Emile",
    "Émile", "Émilie", "O",    "Ö",    "Oz",  "Zoe",       "Zoë",   "Zz"};
