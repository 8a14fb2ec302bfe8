#pragma once

// The document fields' first values, in the window and in a run from the terminal alike. They end up in files, so
// they are the same in every language.
inline constexpr auto kDefaultTitle = "New PDF Document";
inline constexpr auto kDefaultAuthor = "Pagewell";
inline constexpr auto kDefaultSubject = "New Subject";
