#include "console/web/connection_pool.h"

#include <utility>

namespace console::web {

ConnectionPool::ConnectionPool(HostOptions options, std::size_t keep)
    : options_(std::move(options)), keep_(keep) {}

ConnectionPool::Lease::~Lease() {
  if (connection_) pool_->give_back(std::move(connection_));
}

ConnectionPool::Lease ConnectionPool::acquire() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!idle_.empty()) {
      data::ConnectionPtr connection = std::move(idle_.back());
      idle_.pop_back();
      return {*this, std::move(connection)};
    }
  }
  return {*this, open_host_connection(options_)};
}

void ConnectionPool::give_back(data::ConnectionPtr connection) {
  // A connection the request left closed is of no use to the next one.
  if (connection->State() != data::kStateOpen) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (idle_.size() < keep_) idle_.push_back(std::move(connection));
}

}  // namespace console::web
