// Open connections kept between the browser console's requests, so a request does not pay for
// opening the database and its prepared statements again. A connection is lent to one request
// at a time and comes back when the lease ends. Thread-safe.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

#include "console/options.h"
#include "data/connection.h"

namespace console::web {

class ConnectionPool {
 public:
  // Keeps at most `keep` idle connections; more requests than that at once open their own.
  ConnectionPool(HostOptions options, std::size_t keep);

  class Lease {
   public:
    Lease(ConnectionPool& pool, data::ConnectionPtr connection)
        : pool_(&pool), connection_(std::move(connection)) {}
    ~Lease();
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    const data::ConnectionPtr& connection() const { return connection_; }

   private:
    ConnectionPool* pool_;
    data::ConnectionPtr connection_;
  };

  // An idle connection, else a new one (open_host_connection's errors).
  Lease acquire();
  const HostOptions& options() const { return options_; }

 private:
  void give_back(data::ConnectionPtr connection);

  HostOptions options_;
  std::size_t keep_;
  std::mutex mutex_;
  std::vector<data::ConnectionPtr> idle_;
};

}  // namespace console::web
