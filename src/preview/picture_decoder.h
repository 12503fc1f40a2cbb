#pragma once
// Decoding pictures from their own files or from a byte range of a puzzle data file.
