# The eight standard sounds of the folder "Av": sox effects after
# "sox -n -r 22050 -c 1 -b 16 NAME.wav". Short and soft: every sound fades
# out and is normalised to a peak 7 dB below full scale.
set(STANDARD_SOUNDS Bit Bizarre Bleep Boing He Hit Notify Sonar)
set(SOUND_Bit     synth 0.09 sine 1320 fade q 0.005 0.09 0.06 gain -n -7)
set(SOUND_Bizarre synth 0.55 sine 300-900 tremolo 11 60 fade q 0.02 0.55 0.2 gain -n -7)
set(SOUND_Bleep   synth 0.16 square 988 vol 0.5 lowpass 2500 fade q 0.005 0.16 0.04 gain -n -9)
set(SOUND_Boing   synth 0.6 sine 620-160 tremolo 16 35 fade q 0.005 0.6 0.45 gain -n -7)
set(SOUND_He      synth 0.3 pinknoise vol 0.5 bandpass 900 300h fade q 0.03 0.3 0.18 gain -n -9)
set(SOUND_Hit     synth 0.16 pluck 196 fade q 0 0.16 0.12 gain -n -7)
set(SOUND_Notify  synth 0.7 pluck 880 fade q 0 0.7 0.5 reverb 25 gain -n -7)
set(SOUND_Sonar   synth 0.9 sine 1180 fade q 0.005 0.9 0.85 echo 0.8 0.7 260 0.35 gain -n -7)
