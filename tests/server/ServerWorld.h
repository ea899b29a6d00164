#pragma once
// What the profile server's tests run on: a database of each engine, fresh
// for every test, and the server itself on a free loopback port.

#include "server/HttpService.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

// "sqlite" or "postgres"; PostgreSQL is a scratch server started once for the
// run (scripts/pg-scratch.sh), with a new database per call.
std::unique_ptr<TSqlDatabase> FreshDatabase(const std::string &engine, std::string &where);
// The libpq connection string of a new database on the scratch server; empty
// (and a failure added) when there is no scratch server.
std::string FreshPostgresConnection();

// The store on a fresh database of the engine, its tables made; trusting
// first uses unless told otherwise.
struct TStoreWorld {
  explicit TStoreWorld(const std::string &engine, bool trustFirstUse = true);
  ~TStoreWorld();
  std::string Folder; // removed at the end
  std::unique_ptr<TProfileStore> Store;
};

// The HTTP service on 127.0.0.1 with any free port, serving on its own thread.
// options: its certificate and key for HTTPS (address and port are set here).
struct TRunningServer {
  explicit TRunningServer(TProfileStore &store, THttpServiceOptions options = {});
  ~TRunningServer();
  int Port() const { return Service.Port(); }
  TProfileHttpService Service;
  std::thread Thread;
};

// A self-signed certificate for 127.0.0.1 made with openssl into folder as
// NAME.crt and NAME.key; false when openssl failed.
bool MakeSelfSignedCertificate(const std::string &folder, const std::string &name);

// A well-formed bearer token made of one character.
inline std::string TokenOf(char c) { return std::string(64, c); }
