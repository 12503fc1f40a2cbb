#pragma once
// Piece-count choices: the grids of pieces a puzzle picture admits.
