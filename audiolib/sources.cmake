# The library's sources, read by audiolib/CMakeLists.txt and by the fuzz targets' own project:
# those of both platforms, then each platform's output, decoders and FFT (names relative to
# this folder).
set(AUDIOLIB_SHARED_SOURCES
  audio_engine.cpp
  bass_library.cpp
  decoder_thread.cpp
  device_list.cpp
  frame_ring.cpp
  resampler.cpp
  sound_file.cpp
  spectrum_analyzer.cpp
  stream.cpp)
# SDL2 for output, libsndfile for decoding, kissfft for spectra.
set(AUDIOLIB_LINUX_SOURCES
  backends_linux.cpp
  kiss_fft_backend.cpp
  sdl_output.cpp
  sndfile_decoder.cpp
  wake_signal_posix.cpp)
# The virtual microphone, on Linux where libpulse is there: the mix and its limiter, the data.ini
# entries, the PulseAudio-protocol device and the output that lists it beside SDL's.
set(AUDIOLIB_CHAT_SOURCES
  chat_guard.cpp
  chat_mixer.cpp
  chat_settings.cpp
  cross_clock_queue.cpp
  linux_output.cpp
  peak_limiter.cpp
  pulse_chat_output.cpp
  pulse_module_sweep.cpp
  pulse_modules.cpp)
# waveOut for output, our WAV reader, MP3 through the Audio Compression Manager, FLAC through
# Media Foundation, our radix-2 FFT.
set(AUDIOLIB_WIN32_SOURCES
  acm_mp3_decoder.cpp
  backends_win32.cpp
  mf_decoder.cpp
  mp3_frames.cpp
  radix2_fft.cpp
  wav_decoder.cpp
  wake_signal_win32.cpp
  waveout_output.cpp
  win32_text.cpp)
