#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

#include "support/net/input_queue.h"
#include "support/net/read_line.h"

namespace fuzz {

// A peer's data held in memory and received in chunks whose sizes follow a seed,
// so that line ends split across receives (CR in one chunk, LF in the next) are
// met the way a slow server produces them. Seed 0 hands everything over at once.
class memory_transport {
public:
    // Raised by a receive once every byte has been handed over (the peer closed).
    struct end_of_data {};

    memory_transport(std::string data, unsigned char chunk_seed)
        : data_(std::move(data)), seed_(chunk_seed) {}

    void read_line(std::string& line) {
        replay::internet::transport::read_line(
            queue_, [this] { fill(); }, line);
    }

    const std::string& data() const { return data_; }

private:
    static constexpr std::size_t largest_receive = 8192;

    std::size_t next_chunk_size() {
        ++fills_;
        if (seed_ == 0)
            return largest_receive;
        return 1 + (static_cast<std::size_t>(seed_) * fills_ + fills_ / 3) % 23;
    }

    void fill() {
        if (position_ == data_.size())
            throw end_of_data{};
        const std::size_t size = std::min(next_chunk_size(), data_.size() - position_);
        queue_.append(data_.data() + position_, size);
        position_ += size;
    }

    std::string data_;
    unsigned char seed_;
    std::size_t position_ = 0;
    std::size_t fills_ = 0;
    replay::internet::transport::input_queue queue_;
};

}  // namespace fuzz
