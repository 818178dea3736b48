// A private JACK2 server with the dummy driver for tests: started under a unique name, stopped
// with SIGTERM, its files in /dev/shm removed.
#ifndef TAMBREL_TESTS_JACKSERVER_H
#define TAMBREL_TESTS_JACKSERVER_H

#include <string>

#include <sys/types.h>

class JackServer {
public:
  // periodFrames: the dummy driver's period; sampleRate: its rate in Hz.
  explicit JackServer(int periodFrames = 64, int sampleRate = 44100);
  ~JackServer();
  JackServer(const JackServer&) = delete;
  JackServer& operator=(const JackServer&) = delete;

  // Starts jackd and waits (up to 10 s) until a client can connect. False when it cannot.
  bool start();
  // SIGTERM, wait for the process (SIGKILL after 5 s), remove its files. Safe to call twice.
  void stop();

  // SIGKILL, as a crash would end it: clients get no notice but a closed socket. Removes its
  // files; stop() (or the destructor) then frees its slot in JACK's registry of servers.
  void kill();

  bool running() const { return pid_ > 0; }
  // The server name, for JACK_DEFAULT_SERVER or jack_client_open with JackServerName.
  const std::string& name() const { return name_; }

  // Sets JACK_DEFAULT_SERVER in this process so that libjack clients (RtMidi's, RtAudio's)
  // find this server.
  void makeDefault() const;

private:
  bool acceptsClients() const;
  void removeFiles() const;

  int periodFrames_;
  int sampleRate_;
  std::string name_;
  pid_t pid_ = -1;
  bool killed_ = false; // its registry slot is still taken
};

#endif
