#pragma once

// What a transfer job needs of the plug-in while it runs on the transfer lane.
class TransferServices {
 public:
  virtual ~TransferServices() = default;

  // Shows or hides the data-transfer overlay.
  virtual void DisplayProcessingIndicator(bool show) = 0;
  // Completes the checksum of a long dump and sends the message to the synthesizer.
  virtual void checksumCheckAndSend(unsigned char* data, int length) = 0;
  // Paces the lane; bounded by its argument.
  virtual void pause(int milliseconds) = 0;
  // Tells the starter, which waits on it, that the send is over.
  virtual void clearSoundSendBusy() = 0;
};
