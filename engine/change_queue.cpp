#include "engine/change_queue.h"

// Each cell's sequence says whose turn it is: equal to a producer's claimed
// position when the cell is free for it, one more once the change is written.
ChangeQueue::ChangeQueue() : enqueuePosition(0), dequeuePosition(0) {
    for (uint32_t i = 0; i < kCapacity; i++) cells[i].sequence.store(i, std::memory_order_relaxed);
}

bool ChangeQueue::push(const EngineChange& change) {
    uint32_t position = enqueuePosition.load(std::memory_order_relaxed);
    for (;;) {
        Cell& cell = cells[position & (kCapacity - 1)];
        uint32_t sequence = cell.sequence.load(std::memory_order_acquire);
        int32_t lag = (int32_t)(sequence - position);
        if (lag == 0) {
            if (enqueuePosition.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
                cell.change = change;
                cell.sequence.store(position + 1, std::memory_order_release);
                return true;
            }
        } else if (lag < 0) {
            return false;  // the consumer has not freed this cell yet
        } else {
            position = enqueuePosition.load(std::memory_order_relaxed);
        }
    }
}

bool ChangeQueue::pop(EngineChange& change) {
    Cell& cell = cells[dequeuePosition & (kCapacity - 1)];
    uint32_t sequence = cell.sequence.load(std::memory_order_acquire);
    if ((int32_t)(sequence - (dequeuePosition + 1)) != 0) return false;
    change = cell.change;
    cell.sequence.store(dequeuePosition + kCapacity, std::memory_order_release);
    dequeuePosition++;
    return true;
}
