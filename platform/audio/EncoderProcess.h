// A command-line encoder: a child process whose standard input is a pipe that
// receives the raw PCM of the channel it is attached to. Its standard output and
// error go to /dev/null. An encoder that exits or closes its input early is only
// marked as no longer running: the writer never dies of SIGPIPE.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm::audio {

class EncoderProcess {
 public:
  // Starts `argv` (argv[0] already resolved to a path). Returns nullptr when the
  // process cannot be started.
  static std::shared_ptr<EncoderProcess> Start(const std::vector<std::string>& argv);
  ~EncoderProcess();
  EncoderProcess(const EncoderProcess&) = delete;
  EncoderProcess& operator=(const EncoderProcess&) = delete;

  // Writes the whole block, blocking while the encoder is busy. Does nothing once
  // the encoder has stopped reading.
  void Write(const uint8_t* data, size_t size);
  bool Running();
  // Closes the encoder's input and waits for it to finish its file.
  void Stop();

  pid_t pid() const { return pid_; }
  uint32_t channel() const { return channel_; }
  void set_channel(uint32_t channel) { channel_ = channel; }
  uint32_t handle() const { return handle_; }
  void set_handle(uint32_t handle) { handle_ = handle; }

 private:
  EncoderProcess(pid_t pid, int input) : pid_(pid), input_(input) {}
  void CloseInput();
  bool Reap(bool wait);

  pid_t pid_;
  int input_;
  bool exited_ = false;
  uint32_t channel_ = 0;
  uint32_t handle_ = 0;
};

// The program to run for a command's first word: a name with a "/" is taken as it
// stands; otherwise the folder of the running executable is searched first, then
// PATH. Empty when no executable file is found.
std::string ResolveProgram(const std::string& name);

}  // namespace qm::audio
