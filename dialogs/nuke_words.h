#pragma once
// The nuke marking in a nuked release's directory name (NUKED-Name,
// [NUKED]-Name, Nuked_Name...).

// Rewrites a writable directory text in place to the release name that follows
// its nuke word, dropping the word and everything before it. The text is left
// unchanged when it holds no nuke word or nothing but separators follows the
// word. The result is always a suffix of the old text, so it only shrinks and
// nothing past the old NUL is touched. Returns whether the text changed; a null
// text is ignored.
bool stripNukeWord(char* text);
