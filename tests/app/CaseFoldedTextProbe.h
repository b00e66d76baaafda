#pragma once

#include "CaseFoldedText.h"

// What the tests read of a folded text's form.
class CaseFoldedTextProbe
{
public:
    // Whether every folded character fits Latin-1.
    static bool isLatin1(const CaseFoldedText &text) { return text.m_fitsLatin1; }
};
