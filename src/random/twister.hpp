// The 64-bit Mersenne Twister: the generator every Engine owns.
//
// The sequence is the standard library's mt19937_64, output for output
// (word size 64, state of 312 words, middle word 156, separation point 31,
// twist matrix 0xB5026F5AA96619E9, tempering (29, 0x5555555555555555),
// (17, 0x71D67FFFEDA60000), (37, 0xFFF7EEE000000000), 43, initialisation
// multiplier 6364136223846793005), seeded the same way from one 64-bit
// value.  It is written out here rather than taken from the library for
// speed alone: the library's twist chooses the matrix term with a branch on
// a random bit, which the processor mispredicts every other word, and it
// hands out one output per call.  Here the term is a mask and the samplers'
// block forms take many outputs per call (outputs()).  The test kit checks
// the sequence against the library's engine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../num/tally.hpp"

namespace pradix::random {

class Twister64 {
public:
    using result_type = std::uint64_t;

    static constexpr std::size_t STATE = 312;
    static constexpr std::size_t MIDDLE = 156;
    static constexpr result_type DEFAULT_SEED = 5489u;

    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return ~result_type{0}; }

    Twister64() : Twister64(DEFAULT_SEED) {}
    explicit Twister64(result_type seed) {
        x_[0] = seed;
        for (std::size_t i = 1; i < STATE; ++i) {
            x_[i] = INIT_MULTIPLIER * (x_[i - 1] ^ (x_[i - 1] >> 62)) + static_cast<result_type>(i);
        }
        next_ = STATE;
    }

    result_type operator()() {
        num::tally::outputs(num::tally::Kind::engine_output, 1, false);
        if (next_ == STATE) twist();
        return temper(x_[next_++]);
    }

    // The next n outputs, as n calls of operator() give them.
    void outputs(result_type* out, std::size_t n) {
        num::tally::outputs(num::tally::Kind::engine_output, n, true);
        while (n != 0) {
            if (next_ == STATE) twist();
            const std::size_t left = STATE - next_;
            const std::size_t m = n < left ? n : left;
            const result_type* x = x_ + next_;
            for (std::size_t i = 0; i < m; ++i) out[i] = temper(x[i]);
            next_ += m;
            out += m;
            n -= m;
        }
    }

private:
    static constexpr result_type MATRIX = 0xB5026F5AA96619E9u;
    static constexpr result_type UPPER = ~result_type{0} << 31;  // the top 33 bits
    static constexpr result_type LOWER = ~UPPER;                 // the low 31
    static constexpr result_type INIT_MULTIPLIER = 6364136223846793005u;

    static result_type temper(result_type z) {
        z ^= (z >> 29) & 0x5555555555555555u;
        z ^= (z << 17) & 0x71D67FFFEDA60000u;
        z ^= (z << 37) & 0xFFF7EEE000000000u;
        return z ^ (z >> 43);
    }

    // x_k <- x_(k+156) ^ A(upper bits of x_k | lower bits of x_(k+1)),
    // indices modulo 312, with A(y) = y >> 1, xor the matrix when y is odd.
    static result_type twisted(result_type far, result_type here, result_type after) {
        const result_type y = (here & UPPER) | (after & LOWER);
        return far ^ (y >> 1) ^ ((result_type{0} - (y & 1u)) & MATRIX);
    }

    void twist() {
        std::size_t k = 0;
        for (; k < STATE - MIDDLE; ++k) x_[k] = twisted(x_[k + MIDDLE], x_[k], x_[k + 1]);
        for (; k < STATE - 1; ++k) x_[k] = twisted(x_[k - (STATE - MIDDLE)], x_[k], x_[k + 1]);
        x_[STATE - 1] = twisted(x_[MIDDLE - 1], x_[STATE - 1], x_[0]);
        next_ = 0;
    }

    result_type x_[STATE];
    std::size_t next_;
};

}  // namespace pradix::random
