#pragma once

// The key the configuration resources are enciphered under, as the four words the cipher takes
// (word i is key bytes 4i..4i+3, little-endian).
void configKeyWords(unsigned int words[4]);
