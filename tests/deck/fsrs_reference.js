// ts-fsrs run directly, as the reference for the deck page's study view. Reads
// {"retention": R, "sequences": [[[seconds, rating], ...], ...]} on standard input and writes, for
// each sequence, each rating's [the due times (ms) the four ratings would give at its time, the
// state and due time after it], from a new card made at the first rating's time, with the
// library's default parameters, learning steps and fuzz.
'use strict';
const path = require('path');
const {fsrs, generatorParameters, createEmptyCard} =
  require(path.join(__dirname, '..', '..', 'node_modules', 'ts-fsrs'));

let input = '';
process.stdin.on('data', (chunk) => { input += chunk; });
process.stdin.on('end', () => {
  const {retention, sequences} = JSON.parse(input);
  const f = fsrs(generatorParameters({request_retention: retention, enable_fuzz: true}));
  const out = sequences.map((ratings) => {
    let card = createEmptyCard(new Date(ratings[0][0] * 1000));
    return ratings.map(([seconds, rating]) => {
      const at = new Date(seconds * 1000);
      const preview = f.repeat(card, at);
      card = f.next(card, at, rating).card;
      return [[1, 2, 3, 4].map((g) => preview[g].card.due.getTime()), card.state,
        card.due.getTime()];
    });
  });
  process.stdout.write(JSON.stringify(out));
});
