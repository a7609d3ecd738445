// Counts every heap allocation made while the game runs: the rules must make none.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "tests/rules/rules_test_support.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    const std::size_t align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + align - 1) / align * align;
    if (void* memory = std::aligned_alloc(align, rounded == 0 ? align : rounded)) {
        return memory;
    }
    throw std::bad_alloc();
}

// Counts the allocations made by `work`.
template <typename Work>
long allocationsDuring(Work&& work) {
    allocations = 0;
    counting = true;
    work();
    counting = false;
    return allocations.load();
}

struct SoundTally final : SoundPlayer {
    std::array<long, 7> played{};
    void playSound(int number) override {
        if (number >= 0 && number < static_cast<int>(played.size())) {
            ++played[number];
        }
    }
};

TEST(Allocations, TheCounterSeesAnAllocation) {
    const long counted = allocationsDuring([] {
        auto cell = std::make_unique<Cell>();
        cell->row = 3;
        EXPECT_EQ(cell->row, 3);
    });
    EXPECT_EQ(counted, 1);
}

TEST(Allocations, PlayingGamesAllocatesNothing) {
    for (int mode : {Classic, Original, Crazy}) {
        seedGameRandom(static_cast<std::uint32_t>(17 + mode));
        PlanningPlayer player(static_cast<unsigned>(mode), 200);
        GameDriver game;  // its own sound recorder is not used here
        SoundTally sounds;
        game.start(mode, 1.0);
        long frames = 0;
        const long counted = allocationsDuring([&] {
            for (; frames < 64L * 400 && game.screen == Playing; ++frames) {
                player.play(game);
                game.now += 1.0 / game.framesPerSecond;
                FrameInput input = game.keys;
                input.appTime = static_cast<float>(game.now);
                input.framesPerSecond = static_cast<float>(game.framesPerSecond);
                advanceGame(game.session, game.well, game.screen, input, sounds);
                advanceWellAnimations(game.well, animationSteps(game.session.framesPerSecond,
                                                                game.session.fallSpeed));
                advanceClearedFlight(game.well, game.session.framesPerSecond);
            }
        });
        EXPECT_EQ(counted, 0) << "rule set " << mode;
        EXPECT_EQ(game.screen, GameOver);
        EXPECT_GT(frames, 64L * 60) << "a game of more than a minute";
        EXPECT_GT(sounds.played[SoundRowsRemoved], 0);
        EXPECT_EQ(sounds.played[SoundGameOver], 1);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
