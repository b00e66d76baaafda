#pragma once

// Settings the web engine reads when the application object is made: call first thing in main(), before the
// QApplication exists. Starts nothing: the engine starts with the first web page a preview shows.
void prepareWebPagePreviews();
