#pragma once

#include <QtGlobal>

// What the score log pass writes into the accumulators besides RecordGame.
namespace norva::detail {

// Adds one to a counter, HandCount (7) through WinHanCount (17); Overflow
// beyond 32 bits.
void addToCounter(qint16 kind);
// Adds one own win to the han class at index (0..8) and to WinHanCount.
void addWinByHan(qint32 index);

} // namespace norva::detail
