#pragma once

#include "imagereader/format/ReaderProtocol.h"

// The helper's one entry for a user's file: reads the image from `inputFd` as the request asks and writes the
// result to `outputFd` (a BMP file for a page, a PreviewHeader and rows for a preview). Checks the size the header
// claims before any pixel is decoded. Never opens a file; runs inside the helper's sandbox.
[[nodiscard]] imagereader::Reply decodeImage(int inputFd, int outputFd, const imagereader::Request& request);

// Starts FreeImage and routes its readers' messages to decodeImage; once, before the sandbox closes.
void initialiseDecoding();
